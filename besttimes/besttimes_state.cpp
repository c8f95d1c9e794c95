// The best-time layer's globals and their reset.
#include "besttimes_state.h"

BestTimesStateRecord BestTimesState;

void ResetBestTimesState() {
    BestTimesState = BestTimesStateRecord{};
}
