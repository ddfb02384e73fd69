#pragma once

#include <QPointer>
#include <QWidget>

class VeskButton;

// The notice that the cloud recording stopped and where the file will be; it stays until its
// button is pressed, which removes it.
class RecordStopAlertView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 302;
    static constexpr int kHeight = 209;

    explicit RecordStopAlertView(QWidget *parent = nullptr);
    ~RecordStopAlertView() override;

    void getItAction(QObject *sender = nullptr);

    QPointer<VeskButton> getItButton;
    QPointer<QWidget> line;

protected:
    void paintEvent(QPaintEvent *event) override;
};
