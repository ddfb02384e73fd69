#pragma once

// What the benchmarks of the signed-in client share: the user it signs in as, the room it joins
// and the size the meeting window's video grid is measured at.

#include "foundation/models/VeskUserModel.h"
#include "meeting/window/MeetingViewController.h"
#include "meeting/window/MeetingViewControllerUi.h"
#include "meeting/window/grid/VideoCollectionView.h"

#include <QScrollArea>
#include <QSize>
#include <QString>

#include <functional>

namespace bench {

inline const QString kRoomId = QStringLiteral("123456789");
inline const QString kPhone = QStringLiteral("13800000000");
inline const QString kUserName = QStringLiteral("张三");
inline const QString kToken = QStringLiteral("token-") + kPhone;
constexpr QSize kGridViewport(1400, 804);

inline VeskUserModel signedInUser()
{
    VeskUserModel me;
    me.userId = kPhone;
    me.phoneNumber = kPhone;
    me.userName = kUserName;
    me.authorization = kToken;
    return me;
}

inline VideoCollectionView *gridOf(MeetingViewController *page)
{
    return page ? qobject_cast<VideoCollectionView *>(page->ui->videoCollectionView.data()) : nullptr;
}

// Resizes the meeting window until the grid's viewport has the measured size; settle lets the
// window lay itself out after each step.
inline void fitGrid(QWidget *window, VideoCollectionView *grid, const std::function<void()> &settle)
{
    for (int i = 0; i < 4; ++i) {
        const QSize viewport = grid->scrollArea()->viewport()->size();
        if (viewport == kGridViewport)
            return;
        window->setMinimumSize(0, 0);
        window->resize(window->size() + (kGridViewport - viewport));
        settle();
    }
}

} // namespace bench
