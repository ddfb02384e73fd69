#pragma once

// The stand-in's side of the local media engine: who is in a room's media session.
//
//   GET    /engine/room/<roomId>/peers?peerId=<asking peer>
//          -> data {"peers": [{peerId, userId, userName, audio, video, share, simulated}],
//                   "network": {rtt?, lostRate?}}
//             every member of the room but the asking peer (an unknown room has none), and what
//             the room's network adds to the engine's measurements, and the audio/video file playing
//             ("avFile": {peerId, fileName, fileType, positionMs, durationMs, playing}; see
//             AgentRoutes::filePlayback)
//   POST   /engine/room/<roomId>/network  {rtt, lostRate}  -> a poorer network for the room (ms, %)
//   POST   /engine/room/<roomId>/peers  {userName, phoneNumber?, userId?, peerId?, audio?, video?, share?}
//          -> data {"peerId"}: adds (or updates) a simulated participant; creates the room if needed
//   POST   /engine/room/<roomId>/peers/<peerId>/share  {share: bool}  -> a joined participant's own
//          screen or window share started or ended
//   DELETE /engine/room/<roomId>/peers/<peerId>  -> removes a simulated participant
//   POST   /engine/room/<roomId>/waiting  {userName, phoneNumber?, userId?}
//          -> data {"userId"}: a simulated participant enters the waiting room (the hosts are told);
//             admitted, it joins the media session at once
//
// A member's peer id is its encrypted phone number (as the client's engine uses it), or its user
// id when it has no phone number.

#include <QList>
#include <QString>

class DevService;

struct EngineSimPeer {
    QString peerId; // "" = derived from the phone number
    QString userId; // "" = generated
    QString userName;
    QString phoneNumber; // plain; "" = generated
    bool audio = true;
    bool video = true;
    bool share = false;
    bool simulated = true;
};

namespace EngineRoutes {
// Adds a simulated participant to a room (replacing one with the same peer id) and returns its
// peer id.
QString addSimulatedPeer(DevService &service, const QString &roomId, EngineSimPeer peer);
// A simulated participant in the room's waiting room (the hosts are told); its user id.
QString addSimulatedWaiting(DevService &service, const QString &roomId, EngineSimPeer peer);
// False when there was no such simulated participant.
bool removeSimulatedPeer(DevService &service, const QString &roomId, const QString &peerId);
// What the room's network adds to every measurement of the engines in it; false for no room.
bool setNetwork(DevService &service, const QString &roomId, int rtt, int lostRate);
// Everybody in the room's media session except the given peer.
[[nodiscard]] QList<EngineSimPeer> peers(DevService &service, const QString &roomId, const QString &exceptPeerId = {});
// The peer id a member with that user id / phone number has.
[[nodiscard]] QString peerIdFor(const QString &userId, const QString &phoneNumber);
} // namespace EngineRoutes
