// The component gallery: every control of the set on one window, for looking at them.
#pragma once

#include <QWidget>

class GalleryWindow : public QWidget {
    Q_OBJECT

public:
    explicit GalleryWindow(QWidget* parent = nullptr);

private:
    QWidget* buildToolBar();
    QWidget* buildBrowsing();
    QWidget* buildControls();
    QWidget* buildPickers();
};
