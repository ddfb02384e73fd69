#include "meeting/panels/SubtitlePanel.h"

#include "agent/MainSettingModel.h"
#include "agent/SubtitleSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "foundation/JXExtension.h"
#include "foundation/KVClock.h"
#include "foundation/models/MeetingInfoModel.h"
#include "meeting/common/MeetingBottomButton.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/panels/MeetingPanels.h"
#include "meeting/panels/SubtitleRules.h"
#include "meeting/panels/SubtitleSettingView.h"
#include "uikit/AutoLayout.h"
#include "uikit/KVPanelFocus.h"
#include "uikit/VeskButton.h"
#include "uikit/VeskCategories.h"
#include "uikit/VeskToast.h"

#include <QScrollArea>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

namespace {

constexpr double kMaxLineHeight = 17.0;
constexpr double kBaselineOffset = 5.0;
// The box around the text: the scroll view's insets in the window.
constexpr int kBoxVerticalInsets = 16;
constexpr int kBoxHorizontalInsets = 24;

// The subtitle's text in the document: white, the chosen size, centred lines of at most 17 points,
// raised by 5, wrapped at `width`. Names and texts go in as plain text, in one edit, so the text is
// laid out once; without undo steps: subtitles replace each other for a whole meeting.
void fillSubtitleDocument(QTextDocument &document, const QString &text, int fontSize, double width)
{
    document.clear();
    document.setUndoRedoEnabled(false);
    if (document.textWidth() != width)
        document.setTextWidth(width);
    document.setDocumentMargin(0);
    QTextCharFormat chars;
    chars.setForeground(Qt::white);
    chars.setFont(vesk::systemFont(fontSize));
    chars.setBaselineOffset(kBaselineOffset / fontSize * 100.0);
    QTextBlockFormat block;
    block.setAlignment(Qt::AlignHCenter);
    block.setLineHeight(kMaxLineHeight, QTextBlockFormat::FixedHeight);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    cursor.setBlockFormat(block);
    cursor.setBlockCharFormat(chars);
    cursor.insertText(text, chars);
    // Shaped once here: a document's lines are otherwise shaped again with every paint.
    for (QTextBlock line = document.begin(); line.isValid(); line = line.next())
        line.layout()->setCacheEnabled(true);
    cursor.endEditBlock();
}

} // namespace

SubtitlePanel::SubtitlePanel(MeetingPanels &panels, Views views)
    : QObject(&panels), m_panels(panels), m_views(std::move(views))
{
}

// ---- Showing results -----------------------------------------------------------------------------

void SubtitlePanel::receiveSubTitle(const IMMessage &message)
{
    const QList<KVSubTitleModel> results =
        SubtitleRules::resultsToShow(message.data, m_subtitleLanguage, m_lastShowTime, KVClock::current().nowMs());
    if (!results.isEmpty())
        showSubTitleText(results);
}

void SubtitlePanel::showSubTitleText(const QList<KVSubTitleModel> &results)
{
    if (results.isEmpty())
        return;
    resetSubtitleHideBlock();
    const QString text = SubtitleRules::subtitleText(results.last());
    const Views &ui = m_views;
    const double boxWidth = ui.subtitleTextViewWidth ? ui.subtitleTextViewWidth->constant() : 800;
    const double width = std::max(0.0, boxWidth - kBoxHorizontalInsets);
    // Laid out once, in the view's own document, and measured there.
    std::optional<QTextDocument> scratch;
    QTextDocument &document = ui.subtitileTextView ? *ui.subtitileTextView->document() : scratch.emplace();
    fillSubtitleDocument(document, text, m_subtitleFont, width);
    const int height = std::max(SubtitleRules::kMinTextHeight, int(std::ceil(document.size().height())));
    if (ui.subtitleTextViewHeight)
        ui.subtitleTextViewHeight->setConstant(height + kBoxVerticalInsets);
    m_lastShowTime = KVClock::current().nowMs();
}

void SubtitlePanel::resetSubtitleHideBlock()
{
    if (m_views.subtitleBKView) {
        m_views.subtitleBKView->show();
        m_views.subtitleBKView->raise();
    }
    if (m_hideSubtitleViewTimer)
        m_hideSubtitleViewTimer->invalidate();
    m_hideSubtitleViewTimer = KVTimer::singleShot(this, std::chrono::milliseconds(SubtitleRules::kHideAfterMs),
                                                  [this] { hideSubtitleView(); });
}

void SubtitlePanel::hideSubtitleView()
{
    if (m_views.subtitleBKView)
        m_views.subtitleBKView->hide();
}

void SubtitlePanel::setShowSubtitleView(bool show)
{
    m_showSubtitleView = show;
    if (!show)
        hideSubtitleView();
}

// ---- Preferences ------------------------------------------------------------------------------------

void SubtitlePanel::handleSubTitleChangeEvent(SubtitleSettingModel *model, bool report)
{
    if (!model)
        return;
    m_subtitleFont = SubtitleRules::fontForLevel(model->subTitleLevel(), m_subtitleFont);
    m_subtitleLanguage = model->subTitleLanguageType();
    if (!report)
        return;
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    if (!agent)
        return;
    agent->updateSelfMeetingConfigWithCameraStatus(this, QString(), QString(), QString::number(model->myLanguageType()),
                                                   [](const KVMResponse &reply) {
                                                       if (!reply.successed)
                                                           VeskToast::showToastInMeeting(reply.message);
                                                   });
}

SubtitleSettingView *SubtitlePanel::subtitleSettingView()
{
    if (!m_subtitleSettingView) {
        auto *popOver = vesk::loadViewFromNibWithName<SubtitleSettingView>(QStringLiteral("SubtitleSettingView"));
        if (!popOver)
            popOver = new SubtitleSettingView();
        popOver->hide();
        popOver->setParent(m_panels.view());
        m_subtitleSettingView = popOver;
        // The window's pop-over housekeeping closes it with the others.
        m_panels.state().subtitleSettingView = popOver;
        VeskAppAgent *agent = VeskAppAgent::sharedInstance();
        popOver->setSettingModel(agent->settingModel()->subtitle());
        QPointer<SubtitlePanel> self(this);
        popOver->settingChangeBlock = [self](SubtitleSettingModel *model, bool languageChanged) {
            if (self)
                self->handleSubTitleChangeEvent(model, languageChanged);
        };
    }
    return m_subtitleSettingView;
}

bool SubtitlePanel::subtitleSettingViewShown() const
{
    return m_subtitleSettingView && m_subtitleSettingView->isVisible();
}

void SubtitlePanel::openOrColseSubtitleSettingView(VeskButton *sender)
{
    if (!sender)
        return;
    if (sender->state() != 1) {
        if (subtitleSettingViewShown())
            m_subtitleSettingView->hide();
        return;
    }
    SubtitleSettingView *popOver = subtitleSettingView();
    m_panels.hideOtherOverViewsExceptView(popOver);
    popOver->setParent(m_panels.view());
    popOver->show();
    popOver->raise();
    popOver->layoutSelfWithView(sender);
    // The spoken language is reported as the pop-over opens, not each time it is drawn.
    popOver->refreshUI(true);
    KVPanelFocus::openedBy(popOver, sender);
}

// ---- Transcription status ---------------------------------------------------------------------------

void SubtitlePanel::receiveTextTransfer(const IMMessage &message)
{
    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (!manager || !manager->judegeDuplicates(message) || message.data.isEmpty())
        return;
    const QVariant object = jx_JSONObject(message.data.first());
    if (object.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap status = object.toMap();
    if (!status.contains(QStringLiteral("roomTranscribeStatus")))
        return;
    const auto room = manager->roomInfo();
    if (!room)
        return;
    room->roomTranscribeStatus = status.value(QStringLiteral("roomTranscribeStatus")).toInt();
    if (room->roomTranscribeStatus == 0 && !manager->asssitantHost())
        VeskToast::showToastInMeeting(SubtitleRules::kTranscriptionClosedToast);
}
