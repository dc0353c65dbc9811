// A chain member below the top: it listens to, decodes or sends through the traffic of a
// top distributor without owning a timer or a communication component. Its parent is the
// top or another linked distributor; the chain is a tree whose root is the top.
#pragma once

#include "distributor/GeneralDistributor.h"

namespace celdara {

class VTolmDistributor : public VTolmGeneralDistributor {
public:
    explicit VTolmDistributor(TComponent* owner, TTickClock* clock = nullptr);
    ~VTolmDistributor() override;

    // When set (not designing, no parent), Loaded links to the application's first top
    // distributor.
    bool AutomaticConnect = true;

    VTolmGeneralDistributor* Distributor() const { return Distributor_; }
    // Links, relinks or (nullptr) unlinks. A link that would close a cycle is refused and
    // leaves this distributor unlinked.
    void SetDistributor(VTolmGeneralDistributor* Value);

    void Loaded() override;

private:
    VTolmGeneralDistributor* Distributor_ = nullptr;
};

// The first top distributor among the components owned by Root, depth first, other than
// Exclude; nullptr when there is none.
VTolmTopDistributor* FindTopDistributor(TComponent* Root, TComponent* Exclude);

} // namespace celdara
