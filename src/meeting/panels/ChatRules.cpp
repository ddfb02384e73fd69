#include "meeting/panels/ChatRules.h"

#include <algorithm>

namespace ChatRules {

InputDecision inputDecision(const QString &currentText, const QString &replacement, qsizetype selectionStart,
                            qsizetype selectionEnd)
{
    const QString trimmed = currentText.trimmed();
    if (replacement == QLatin1String("\n") && !trimmed.isEmpty())
        return {InputDecision::Kind::Send, trimmed, {}};
    // The limit counts what the text will be: what stays of it, the selection gone, plus what comes.
    const qsizetype from = std::clamp<qsizetype>(std::min(selectionStart, selectionEnd), 0, currentText.size());
    const qsizetype to = std::clamp<qsizetype>(std::max(selectionStart, selectionEnd), from, currentText.size());
    const qsizetype stays = to > from ? QString(currentText).remove(from, to - from).trimmed().size() : trimmed.size();
    if (stays + replacement.size() > kMaxLength)
        return {InputDecision::Kind::Refuse, {}, kTooLongTip};
    return {};
}

InputState participantInputState(bool imAllowStatus)
{
    if (imAllowStatus)
        return {true, 0, kPlaceholder, true};
    return {false, 1, kForbiddenPlaceholder, true};
}

PermissionCommand permissionCommand(const QString &peerId, int switchStatus, const QString &myPhone, bool privileged)
{
    PermissionCommand out;
    out.forbid = switchStatus == 0;
    if (peerId == QLatin1String("-1")) {
        out.addressed = true;
        out.setsRoomForbid = true;
        out.showsForbidToast = out.forbid;
        out.touchesInputs = !privileged;
        out.input = participantInputState(!out.forbid);
    } else if (!myPhone.isEmpty() && peerId == myPhone) {
        out.addressed = true;
        out.touchesInputs = true;
        out.input = out.forbid ? InputState{false, 1, kMeForbiddenPlaceholder, true} : participantInputState(true);
    }
    out.floatingEnabled = !out.forbid;
    return out;
}

PermissionDisplay permissionDisplay(bool imAllowStatus, bool privileged)
{
    if (imAllowStatus || privileged)
        return {true, true, false};
    return {false, false, true};
}

OverlayBand overlayBand(int left, int width, int bottom, int maxHeight, const QList<QRect> &keepClear)
{
    const int right = left + width;
    QList<QRect> inColumns;
    for (const QRect &r : keepClear) {
        if (r.isValid() && r.left() < right && r.right() + 1 > left)
            inColumns << r;
    }
    // A bar across the bottom line, or so close above it that the band would be too low for a
    // line, lifts the bottom over it; the bars above then cap the height.
    int newBottom = bottom;
    for (bool lifted = true; lifted;) {
        lifted = false;
        for (const QRect &r : std::as_const(inColumns)) {
            if (r.top() < newBottom && r.bottom() + 1 > newBottom - kOverlayMinHeight) {
                newBottom = r.top() - kOverlayGap;
                lifted = true;
            }
        }
    }
    int ceiling = newBottom - maxHeight;
    for (const QRect &r : std::as_const(inColumns)) {
        if (r.bottom() + 1 <= newBottom)
            ceiling = std::max(ceiling, r.bottom() + 1 + kOverlayGap);
    }
    return {newBottom, std::max(0, newBottom - ceiling)};
}

} // namespace ChatRules
