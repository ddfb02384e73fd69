#pragma once

#include <QWidget>

// Where engine views wait, hidden, once no tile shows them. The views belong to their
// participants: a view moves in and out of here within one window (moving a widget between
// windows walks the whole focus chain, quadratic over many tiles) and is handed back, never
// deleted, when the parking goes.
class VideoViewParking final : public QWidget {
    Q_OBJECT
public:
    explicit VideoViewParking(QWidget *parent);
    ~VideoViewParking() override;

    // Before the parking is deleted while its parent is still whole: it leaves its window once, so
    // each view it hands back then walks only the parking's own focus chain.
    void handBack();
};
