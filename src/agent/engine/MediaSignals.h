#pragma once

#include <QMetaObject>

#include <functional>

class QCamera;
class QMediaDevices;
class QObject;
class QVideoFrame;
class QVideoSink;

// Qt Multimedia is loaded when the media back-ends are first made (MediaBackend), not at start-up.
// A connection through a member pointer names the class's meta-object, a variable that cannot be
// bound late, and would make the program load the library at start. These connect by the
// signal's name, through the object's own meta-object.
namespace MediaSignals {

// fn runs on the thread that delivers the frame, until the sink or context is gone.
QMetaObject::Connection onVideoFrame(QVideoSink *sink, QObject *context, std::function<void(const QVideoFrame &)> fn);
// fn runs in context's thread; the camera's errorString() tells what failed.
QMetaObject::Connection onCameraError(QCamera *camera, QObject *context, std::function<void()> fn);
QMetaObject::Connection onVideoInputsChanged(QMediaDevices *devices, QObject *context, std::function<void()> fn);

} // namespace MediaSignals
