#pragma once

#include <QWidget>

// A plain view to derive from (the full-screen video view does).
class VeskMaskView : public QWidget {
    Q_OBJECT
public:
    explicit VeskMaskView(QWidget *parent = nullptr) : QWidget(parent) {}
};
