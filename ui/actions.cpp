#include "ui/actions.h"

UiActions& uiActions() {
    static UiActions actions;
    return actions;
}
