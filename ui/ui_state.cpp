#include "ui/ui_state.h"

#include "runtime/runtime_error.h"

namespace {
// Not an owner: the state belongs to whoever made it (the program's entry
// routine, a test). This only says which one the free commands mean.
UiState* g_current = nullptr;
}  // namespace

UiState::UiState() : outer_(g_current) { g_current = this; }

UiState::~UiState() { g_current = outer_; }

UiState& uiState() {
    if (!g_current) raiseRuntimeError({0, "用户界面状态未建立"});
    return *g_current;
}

UiActions& uiActions() { return uiState().actions; }
