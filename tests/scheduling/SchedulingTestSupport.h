#pragma once

// The meeting form headless, with the signed-in user set and a recording agent answering.

#include "RecordingSchedulingAgent.h"

#include "agent/VeskAppAgent.h"
#include "foundation/UserDefaults.h"
#include "scheduling/CreateMeetingViewController.h"
#include "uikit/VeskToast.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

inline VeskUserModel schedulingUser(const QString &id, const QString &name, bool host = false)
{
    VeskUserModel u;
    u.userId = id;
    u.userName = name;
    u.isAssistantHostOrHost = host;
    return u;
}

class CreateMeetingFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VeskUserModel me = schedulingUser(QStringLiteral("13800000000"), QStringLiteral("张三"));
        me.phoneNumber = me.userId;
        me.authorization = QStringLiteral("token");
        VeskAppAgent::sharedInstance()->setMyInfo(me);
    }

    void TearDown() override
    {
        form.reset();
        VeskToast::dismissToast();
        VeskAppAgent::resetSharedInstance();
        UserDefaults::resetStandardUserDefaults();
    }

    // A form in a window of its own, shown.
    CreateMeetingViewController &open(const std::optional<MeetingDataModel> &model = std::nullopt)
    {
        form = std::make_unique<CreateMeetingViewController>();
        if (model)
            form->setDataModel(*model);
        window = std::make_unique<QWidget>();
        QWidget *view = form->view();
        view->setParent(window.get());
        window->resize(view->size());
        view->resize(view->size());
        window->show();
        QApplication::processEvents();
        return *form;
    }

    // A scheduled meeting as the lists hand it over for editing.
    static MeetingDataModel scheduled(bool cycle = false)
    {
        MeetingDataModel m;
        m.roomId = QStringLiteral("800000001");
        m.roomName = QStringLiteral("周会");
        m.beginTime = QStringLiteral("2030-01-02 10:00");
        m.duration = 60;
        m.isEdit = true;
        m.onlyUpdateThisMeeting = true;
        m.isCycle = cycle;
        m.cycleType = cycle ? 1 : 0;
        m.status = 0;
        m.uploadPermissionType = 2;
        return m;
    }

    [[nodiscard]] static QString toastText() { return VeskToast::textOf(VeskToast::currentToast()); }

    RecordingSchedulingAgent agent;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<CreateMeetingViewController> form;
};
