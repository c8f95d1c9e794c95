// The set-up layer's globals and their reset.
#include "setup_state.h"

SetupStateRecord SetupState;

void ResetSetupState() {
    SetupState = SetupStateRecord{};
}
