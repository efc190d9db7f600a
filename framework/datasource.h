// Data sources and data links. A data source is where data-aware parts meet a dataset; the
// dataset behind a source may be exchanged. A data link follows one source and tells its
// owner when the dataset behind it is opened or closed (activeChanged) or when the source
// shows another dataset, or the link another source (datasetChanged).
#pragma once

#include "dataset.h"

#include <QObject>
#include <QPointer>

namespace rk::fw {

class DataSource : public QObject {
    Q_OBJECT

public:
    explicit DataSource(QObject* parent = nullptr);

    Dataset* dataset() const { return dataset_; }
    void setDataset(Dataset* dataset);

signals:
    void datasetChanged();

private:
    QPointer<Dataset> dataset_;
};

class DataLink : public QObject {
    Q_OBJECT

public:
    explicit DataLink(QObject* parent = nullptr);

    DataSource* dataSource() const { return source_; }
    void setDataSource(DataSource* source);
    // The dataset behind the source; nullptr without one.
    Dataset* dataset() const { return source_ ? source_->dataset() : nullptr; }
    // A source whose dataset is open.
    bool active() const;
    bool readOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }

protected:
    virtual void activeChanged() {}
    virtual void datasetChanged() {}

private:
    void follow();
    void stateChanged();

    QPointer<DataSource> source_;
    QPointer<Dataset> watched_;
    QMetaObject::Connection sourceConnection_;
    QMetaObject::Connection stateConnection_;
    bool wasActive_ = false;
    bool readOnly_ = false;
};

} // namespace rk::fw
