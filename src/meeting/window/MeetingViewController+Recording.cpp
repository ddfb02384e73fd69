// Cloud and local recording, screenshots.
// Bodies still to come are empty; each is listed in the header's section of this file.

#include "meeting/window/MeetingViewController.h"

void MeetingViewController::startOrStopRecord(VeskButton *) {}
void MeetingViewController::stopRecordAction(QObject *) {}
void MeetingViewController::stopRecord(QObject *) {}
void MeetingViewController::recordStart() {}
void MeetingViewController::recordFail(const QString &) {}
void MeetingViewController::recordSuccess(const QUrl &) {}
