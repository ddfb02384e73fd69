#pragma once

#include <QString>
#include <QUrl>

// What the message channel needs to connect: the room's channel address and the credentials the
// service issued with the room, plus the signed-in user's token (the channel's key material).
struct KVChannelParams {
    QUrl address; // the room's "imUrl"
    QString roomId;
    QString userId;
    QString exp;
    QString ctime;
    QString signature;
    QString authorization;
};
