#pragma once

#include "connection/IMMessage.h"
#include "foundation/models/KVSubTitleModel.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <optional>

class KVLayoutConstraint;
class KVTimer;
class MeetingPanels;
class QTextEdit;
class QWidget;
class SubtitleSettingModel;
class SubtitleSettingView;
class VeskButton;

// Subtitles over the video: the latest speech result in the window's subtitle box, hidden ten
// seconds after the last one; the user's font, subtitle language and spoken language (reported to
// the service); the tool bar's subtitle pop-over; the service's transcription status.
class SubtitlePanel final : public QObject {
    Q_OBJECT
public:
    // The window's subtitle box: its background, the text and the text's size.
    struct Views {
        QPointer<QWidget> subtitleBKView;
        QPointer<QTextEdit> subtitileTextView;
        QPointer<KVLayoutConstraint> subtitleTextViewWidth;
        QPointer<KVLayoutConstraint> subtitleTextViewHeight;
    };

    SubtitlePanel(MeetingPanels &panels, Views views);

    // The state the window reads.
    [[nodiscard]] bool showSubtitleView() const { return m_showSubtitleView; }
    [[nodiscard]] int subtitleFont() const { return m_subtitleFont; }
    [[nodiscard]] int subtitleLanguage() const { return m_subtitleLanguage; }
    [[nodiscard]] std::optional<qint64> lastShowTime() const { return m_lastShowTime; }
    [[nodiscard]] KVTimer *hideSubtitleViewTimer() const { return m_hideSubtitleViewTimer; }

    void receiveSubTitle(const IMMessage &message);
    void showSubTitleText(const QList<KVSubTitleModel> &results);
    void resetSubtitleHideBlock();
    void hideSubtitleView();
    // On: results are shown from the next one; off: the box hides at once.
    void setShowSubtitleView(bool show);
    // Applies the preferences; report: the spoken language goes to the service.
    void handleSubTitleChangeEvent(SubtitleSettingModel *model, bool report);
    void openOrColseSubtitleSettingView(VeskButton *sender);
    void receiveTextTransfer(const IMMessage &message);

    // The pop-over, made on first use with the user's subtitle choices.
    SubtitleSettingView *subtitleSettingView();
    [[nodiscard]] bool subtitleSettingViewShown() const;

private:
    MeetingPanels &m_panels;
    const Views m_views;
    bool m_showSubtitleView = false;
    int m_subtitleFont = 16;
    int m_subtitleLanguage = 0;
    std::optional<qint64> m_lastShowTime; // project clock, of the last subtitle shown
    QPointer<KVTimer> m_hideSubtitleViewTimer;
    QPointer<SubtitleSettingView> m_subtitleSettingView;
};
