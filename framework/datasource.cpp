#include "datasource.h"

namespace rk::fw {

DataSource::DataSource(QObject* parent) : QObject(parent) {}

void DataSource::setDataset(Dataset* dataset) {
    if (dataset_ == dataset) return;
    dataset_ = dataset;
    emit datasetChanged();
}

DataLink::DataLink(QObject* parent) : QObject(parent) {}

bool DataLink::active() const {
    const Dataset* ds = dataset();
    return ds && ds->isActive();
}

void DataLink::setDataSource(DataSource* source) {
    if (source_ == source) return;
    disconnect(sourceConnection_);
    source_ = source;
    if (source_)
        sourceConnection_ = connect(source_, &DataSource::datasetChanged, this, &DataLink::follow);
    follow();
}

// The source or its dataset changed: watch the dataset it now shows.
void DataLink::follow() {
    disconnect(stateConnection_);
    watched_ = dataset();
    if (watched_)
        stateConnection_ = connect(watched_, &Dataset::stateChanged, this, &DataLink::stateChanged);
    wasActive_ = active();
    datasetChanged();
}

void DataLink::stateChanged() {
    const bool now = active();
    if (now == wasActive_) return;
    wasActive_ = now;
    activeChanged();
}

} // namespace rk::fw
