// Cloud and local recording, screenshots. Nothing is recorded until the recorder is built.

#include "meeting/window/MeetingViewController.h"

void MeetingViewController::startOrStopRecord(VeskButton *) {}
void MeetingViewController::stopRecordAction(QObject *) {}
void MeetingViewController::stopRecord(QObject *) {}
void MeetingViewController::recordStart() {}
void MeetingViewController::recordFail(const QString &) {}
void MeetingViewController::recordSuccess(const QUrl &) {}
