#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class SingleInstanceGuard;

// The start-up object: runs the start-up steps in order and keeps the application-wide rules
// (one instance, no quitting while a meeting is open, closing the last window).
class AppDelegateMac final : public QObject {
    Q_OBJECT
public:
    enum class Launch {
        Running,    // this process shows the client
        HandedOver, // another instance was brought to the front: exit now
    };

    // bakedInKVEnv: the build's KVEnv value; socketPath: the single-instance socket (empty:
    // the user's runtime folder).
    explicit AppDelegateMac(QString bakedInKVEnv, QString socketPath = {}, QObject *parent = nullptr);
    ~AppDelegateMac() override;

    // Start-up, in order: the single-instance guard, the server environment, the meeting
    // manager on the agent, the image loader's "Referer", then the home page for a stored
    // user or the login page.
    Launch applicationDidFinishLaunching();

    // Names of the steps taken, in order ("guard", "environment", "meetingManager",
    // "referer", "homePage" or "loginPage").
    [[nodiscard]] const QStringList &startupSteps() const { return m_steps; }

    // False while a meeting is open (the user is told to leave first).
    bool applicationShouldTerminate();

protected:
    // The application's quit request passes here.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_kvEnv;
    QString m_socketPath;
    std::unique_ptr<SingleInstanceGuard> m_guard;
    QStringList m_steps;
};
