// The current speaker's labels and the custom-audio level of a shared audio file.

#include "meeting/window/MeetingViewController.h"

#include "agent/MainSettingModel.h"
#include "agent/VeskAppAgent.h"
#include "agent/VeskMeetingManager.h"
#include "meeting/common/MeetingCurrent.h"
#include "meeting/common/MeetingWindowRules.h"
#include "meeting/window/CurrentSpeakerView.h"
#include "meeting/window/MeetingCountDowns.h"
#include "uikit/KVDataText.h"

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto kSpeakerHideDelay = 5s;

QString peerIdOf(const Notification &notification)
{
    return notification.object.toMap().value(QStringLiteral("peerId")).toString();
}

// Names the speaker and restarts the label's one hide timer (levels come many times a second).
void nameSpeaker(CurrentSpeakerView *label, const QString &userName, QPointer<KVTimer> &timer, QObject *owner,
                 std::function<void()> hide)
{
    // Cut: the label is named again with every level.
    label->nameLabel->setFullText(KVDataText::bounded(userName, DataText::kNameLength));
    if (timer && timer->isValid())
        timer->start();
    else
        timer = KVTimer::singleShot(owner, kSpeakerHideDelay, std::move(hide));
}

} // namespace

CurrentSpeakerView *MeetingViewController::currentSpeakerView()
{
    if (!m_speaker.currentSpeakerView && isViewLoaded()) {
        QWidget *root = view();
        auto *label = new CurrentSpeakerView(root);
        // Just under the top bar, above everything else in the window.
        const int topBar = ui->topView ? ui->topView->height() : 0;
        m_speaker.labelHome = QPoint(20, topBar + 10);
        label->setGeometry(QRect(m_speaker.labelHome, QSize(196, 40)));
        label->raise();
        label->hide();
        // Where the user drags it becomes its place.
        QPointer<MeetingViewController> weak(this);
        connect(label, &DraggableView::dragFinished, this, [weak, label] {
            if (weak)
                weak->m_speaker.labelHome = label->pos();
        });
        m_speaker.currentSpeakerView = label;
    }
    return qobject_cast<CurrentSpeakerView *>(m_speaker.currentSpeakerView.data());
}

void MeetingViewController::placeCurrentSpeakerView()
{
    QWidget *label = m_speaker.currentSpeakerView;
    if (!label || !isViewLoaded())
        return;
    // The label lies over the whole window; a count-down beside it stays in sight, its buttons in reach.
    QWidget *root = view();
    QList<QRect> keepClear;
    for (QWidget *shown : m_countDowns->shownViews())
        keepClear.append(QRect(shown->mapTo(root, QPoint(0, 0)), shown->size()));
    label->setGeometry(
        MeetingWindowRules::speakerLabelFrame(QRect(m_speaker.labelHome, label->size()), keepClear, root->rect()));
}

CurrentSpeakerView *MeetingViewController::currentSpeakerFloatingView()
{
    QPointer<QWidget> &slot = m_sharing->state().currentSpeakerFloatingView;
    if (!slot) {
        // Without a parent until the share's floating window takes it (deleted with the window
        // otherwise).
        auto *label = new CurrentSpeakerView();
        label->setGeometry(0, 0, 214, 40);
        slot = label;
    }
    return qobject_cast<CurrentSpeakerView *>(slot.data());
}

MeetingViewController::Tile MeetingViewController::tileOfPhoneNumber(const QString &phoneNumber) const
{
    if (phoneNumber.isEmpty())
        return {};
    for (const Tile &tile : m_members.activeMembers) {
        if (tile && tile->phoneNumber() == phoneNumber)
            return tile;
    }
    return {};
}

void MeetingViewController::voiceValueChange(const Notification &notification)
{
    if (!isViewLoaded())
        return;
    // Every notification counts: the manager posts only levels worth naming a speaker for.
    const Tile speaker = tileOfPhoneNumber(peerIdOf(notification));
    VeskAppAgent *agent = VeskAppAgent::existingInstance();
    MainSettingModel *settings = agent ? agent->settingModel() : nullptr;
    if (settings && settings->showCurrentSpeaker()) {
        CurrentSpeakerView *label = currentSpeakerView();
        if (speaker && label) {
            nameSpeaker(label, speaker->userName(), m_speaker.currentSpeakerViewHiddenTimer, this,
                        [this] { currentSpeakerViewHidden(); });
            if (label->isHidden())
                placeCurrentSpeakerView();
            label->show();
        }
    } else {
        if (m_speaker.currentSpeakerViewHiddenTimer)
            m_speaker.currentSpeakerViewHiddenTimer->invalidate();
        m_speaker.currentSpeakerViewHiddenTimer.clear();
        if (m_speaker.currentSpeakerView)
            m_speaker.currentSpeakerView->hide();
    }

    VeskMeetingManager *manager = MeetingCurrent::manager();
    if (speaker && manager && manager->selfScreenOrWindowSharing()) {
        CurrentSpeakerView *floating = currentSpeakerFloatingView();
        nameSpeaker(floating, speaker->userName(), m_sharing->state().currentSpeakerFloatingViewHiddenTimer, this,
                    [this] { currentSpeakerFloatingViewHidden(); });
        // A label no share window holds yet would pop up as a window of its own.
        if (floating->parentWidget())
            floating->show();
    }
}

void MeetingViewController::customAudioLevelChange(const Notification &notification)
{
    const std::shared_ptr<FileShareModel> &file = m_sharing->state().avFileShareModel;
    if (file && file->fileType == QLatin1String("3"))
        m_sharing->avFileShareRecvStream(peerIdOf(notification));
}
