#include "distributor/LinkedDistributor.h"

#include "core/Application.h"
#include "distributor/TopDistributor.h"

#include <algorithm>

namespace celdara {

VTolmDistributor::VTolmDistributor(TComponent* owner, TTickClock* clock)
    : VTolmGeneralDistributor(owner, clock) {}

VTolmDistributor::~VTolmDistributor() {
    NotifyRemoval();
    SetDistributor(nullptr);
}

void VTolmDistributor::SetDistributor(VTolmGeneralDistributor* Value) {
    if (Value == Distributor_)
        return;
    if (Distributor_) {
        std::vector<VTolmDistributor*>& siblings = Distributor_->Children_;
        auto it = std::find(siblings.begin(), siblings.end(), this);
        if (it != siblings.end()) {
            // The last child takes the freed place.
            *it = siblings.back();
            siblings.pop_back();
        }
        ResizeChannels(1);
    }
    // Whatever the new place, the cached top and buffer pointers belong to the old one.
    ForgetChainCaches();
    Distributor_ = Value;
    if (!Value)
        return;
    for (VTolmGeneralDistributor* up = Value; up;) {
        if (up == this) {
            Distributor_ = nullptr; // a cycle: refused
            return;
        }
        auto* linked = dynamic_cast<VTolmDistributor*>(up);
        up = linked ? linked->Distributor_ : nullptr;
    }
    Value->Children_.push_back(this);
    const std::size_t channels = Value->DataRecords_[0].Channels.size();
    if (channels > 1)
        ResizeChannels(channels);
}

void VTolmDistributor::Loaded() {
    VTolmGeneralDistributor::Loaded();
    if (!Distributor_ && !IsDesigning() && AutomaticConnect) {
        if (VTolmTopDistributor* top = FindTopDistributor(&Application(), this))
            SetDistributor(top);
    }
}

VTolmTopDistributor* FindTopDistributor(TComponent* Root, TComponent* Exclude) {
    if (!Root)
        return nullptr;
    for (int i = 0; i < Root->ComponentCount(); ++i) {
        TComponent* component = Root->Components(i);
        auto* top = dynamic_cast<VTolmTopDistributor*>(component);
        if (top && component != Exclude)
            return top;
        if (VTolmTopDistributor* found = FindTopDistributor(component, Exclude))
            return found;
    }
    return nullptr;
}

} // namespace celdara
