#pragma once

class QObject;

// Objects that live as long as the application (the shared network managers). They are deleted
// at the start of the application object's destruction, while it still delivers events: an object
// that owns a worker thread (a network access manager does) then stops and joins it. Left to the
// end of the process, that thread could deliver an event just as the application goes away.
namespace AppLifetime {
// Main thread. An object deleted earlier by its owner is simply skipped.
void deleteWithApplication(QObject *object);
} // namespace AppLifetime
