#pragma once
// The process's lifetime: it counts live automation objects and server locks, and ends the
// message loop when the count drops back to zero after the first object, so no stand-in
// outlives its clients.
#include <windows.h>

namespace qv::standin::com {

void SetMainThread(DWORD threadId);
void ObjectCreated();
void ObjectDestroyed();
// True once any object has been created.
bool AnyObjectCreated();
// Ends the message loop of the main thread.
void EndMessageLoop();

}  // namespace qv::standin::com
