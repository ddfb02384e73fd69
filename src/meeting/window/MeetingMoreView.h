#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>

class MeetingBottomButton;
class VeskButton;

// The small "more" menu: a screenshot of a window to a file, and a local recording switch whose
// state follows the recorder.
class MeetingMoreView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 152;
    static constexpr int kHeight = 105;
    static inline const QString kShotSaved = QStringLiteral("截图已为您保存到默认路径");
    static inline const QString kShotFailed = QStringLiteral("截图失败");

    explicit MeetingMoreView(QWidget *parent = nullptr);
    ~MeetingMoreView() override;

    // 152 x 105, its bottom 70 points above the bottom of its parent, its leading edge 20 points
    // left of the anchor's.
    void layoutSelfWithView(QWidget *anchor);
    void closeSelf(QObject *sender = nullptr);
    void screenRecord(QObject *sender = nullptr);

    [[nodiscard]] bool isRecord() const { return m_isRecord; }
    // Also sets recordBtn's state.
    void setIsRecord(bool isRecord);

    // Captures shotWindow alone and saves it; the tip says how it went.
    void screenShot(QObject *sender = nullptr);
    // Writes the image into the screenshot folder and shows it there (best effort: a file that
    // was written counts as saved even when no viewer opens).
    bool saveImage(const QImage &image);
    // The file the last successful save wrote.
    [[nodiscard]] QString lastSavedPath() const { return m_lastSavedPath; }

    QPointer<QWidget> shotWindow;
    std::function<void()> closedBlock;
    std::function<void(bool on)> recordBlock;
    QPointer<MeetingBottomButton> recordBtn;
    QPointer<MeetingBottomButton> screenShotBtn;
    QPointer<VeskButton> closeBtn;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_isRecord = false;
    QString m_lastSavedPath;
};
