// State reports: posted through the queue, so a handler hears of a change after the call
// that made it has returned, and only once per change.
#include "serial/LyrComm32.h"
#include "serial/LyrComm32Threads.h"

namespace celdara {

void TLyrComm32::SetOnStateChange(TEventChangeState handler) {
    VTolmCommunicationComponent::SetOnStateChange(std::move(handler));
    PostStateChange(CommStateFirst);
}

void TLyrComm32::SetOnAdvancedStateChange(TAdvancedEventChangeState handler) {
    VTolmCommunicationComponent::SetOnAdvancedStateChange(std::move(handler));
    PostStateChange(CommStateFirst);
}

void TLyrComm32::PostStateChange(TCommState State) {
    if (suppressStateReports_ || IsDesigning())
        return;
    queue_.Post(MessageWindow(), WM_COMM_STATE, State);
}

void TLyrComm32::HandleStateReport(TCommState State) {
    if (!FOnStateChange && !FOnAdvancedStateChange)
        return;
    if (State == CommStateFirst)
        State = GetState();
    if (State == lastState_)
        return;
    lastState_ = State;
    RaiseStateChange(State);
}

} // namespace celdara
