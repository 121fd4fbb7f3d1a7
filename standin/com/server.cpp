#include "com/server.h"

namespace qv::standin::com {
namespace {

DWORD g_mainThread = 0;
LONG g_live = 0;
bool g_anyCreated = false;

}  // namespace

void SetMainThread(DWORD threadId) { g_mainThread = threadId; }

void ObjectCreated() {
    InterlockedIncrement(&g_live);
    g_anyCreated = true;
}

void ObjectDestroyed() {
    if (InterlockedDecrement(&g_live) == 0) EndMessageLoop();
}

bool AnyObjectCreated() { return g_anyCreated; }

void EndMessageLoop() {
    if (g_mainThread) PostThreadMessageW(g_mainThread, WM_QUIT, 0, 0);
}

}  // namespace qv::standin::com
