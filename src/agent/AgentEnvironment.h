#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// The service addresses of each server environment, in one table.
//
//   0 production   https://api.korvi.example.com     web https://meet.korvi.example.com
//   1 test         https://api-test.korvi.example.com web https://meet-test.korvi.example.com
//   2 development  http://127.0.0.1:<port>            the local stand-in service; <port> from the
//                                                     environment variable KORVI_DEV_PORT (8787);
//                                                     compiled in only by a build with KVEnv=dev
//   3 second test  https://api-test2.korvi.example.com web https://meet-test2.korvi.example.com
//
// Environments 0, 1 and 3 are placeholders under the reserved example domain until a real
// service exists; the development stand-in serves REST, the web pages and the file service
// from one address. The message-channel and signalling addresses of a meeting come from the
// room-enter reply; `channelAddress` is only the environment's default.
struct AgentEnvironment {
    enum Kind : int { Production = 0, Test = 1, Development = 2, SecondTest = 3 };

    int environment = Test;
    QString serviceAddress; // REST and file service base, no trailing "/"
    QString webHost;        // web client base, no trailing "/"
    QString channelAddress; // default message-channel address

    // The environments this build holds: all four in a development build, the others without
    // development everywhere else.
    [[nodiscard]] static QList<int> compiledIn();

    // The row of the table (an unknown number, or one not compiled in, gives the test row).
    [[nodiscard]] static AgentEnvironment forEnvironment(int environment);

    // The start-up rule of the bundle key "KVEnv": "release" 0, "debug"/"test" 1, "dev" 2,
    // "test2" 3; anything else, or an environment not in `available`, keeps `current`.
    [[nodiscard]] static int environmentForKVEnv(const QString &kvEnv, int current = Test);
    [[nodiscard]] static int environmentForKVEnv(const QString &kvEnv, int current, const QList<int> &available);

    // The value in force for this run: the environment variable "KVEnv" when it names an
    // environment in `available` (this build's by default), else the value baked in at build time.
    [[nodiscard]] static QString effectiveKVEnv(const QString &bakedIn);
    [[nodiscard]] static QString effectiveKVEnv(const QString &bakedIn, const QList<int> &available);

    // The message-channel address to use for a room's "imUrl" when REST goes to restBase: over
    // https the channel must be TLS too, so "ws" becomes "wss" and any other scheme but "wss"
    // gives an empty address (no channel). Over plain http (development) the address stays.
    [[nodiscard]] static QString channelAddressFor(const QString &imUrl, const QUrl &restBase);

    static constexpr quint16 DefaultDevPort = 8787;
    // KORVI_DEV_PORT, or DefaultDevPort when unset or not a port number.
    [[nodiscard]] static quint16 developmentPort();
    // KORVI_DEV_DOWNLOAD_MAX_MB: in the development environment, the largest download without a
    // length, in MiB, so that a trial by hand reaches it with the stand-in's endless recording;
    // 0 when unset or not a positive number (the usual limit holds).
    [[nodiscard]] static qint64 developmentDownloadLimitMb();
};
