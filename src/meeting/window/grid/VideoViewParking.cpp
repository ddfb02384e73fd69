#include "meeting/window/grid/VideoViewParking.h"

#include "agent/engine/KRTCVideoView.h"

VideoViewParking::VideoViewParking(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("videoViewParking"));
    hide();
}

VideoViewParking::~VideoViewParking()
{
    for (KRTCVideoView *view : findChildren<KRTCVideoView *>(Qt::FindDirectChildrenOnly))
        view->setParent(nullptr);
}

void VideoViewParking::handBack()
{
    if (findChild<KRTCVideoView *>(QString(), Qt::FindDirectChildrenOnly))
        setParent(nullptr);
}
