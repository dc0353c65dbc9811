#include "core/Component.h"

#include <algorithm>

namespace celdara {

TComponent::TComponent(TComponent* owner) {
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent() {
    NotifyRemoval();
    DestroyComponents();
    if (owner_)
        owner_->RemoveComponent(this);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    for (TComponent* c : components_)
        if (!name.empty() && c->name_ == name)
            return c;
    return nullptr;
}

void TComponent::SetDesigning(bool designing) {
    if (designing)
        state_ |= csDesigning;
    else
        state_ &= static_cast<std::uint8_t>(~csDesigning);
}

void TComponent::BeginLoading() {
    state_ |= csLoading;
    for (TComponent* c : components_)
        c->BeginLoading();
}

void TComponent::EndLoading() {
    Loaded();
    // Loaded may create components (a distributor creating its timer): walk by index.
    for (std::size_t i = 0; i < components_.size(); ++i)
        components_[i]->EndLoading();
}

void TComponent::Loaded() {
    state_ &= static_cast<std::uint8_t>(~csLoading);
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
        freeNotifies_.push_back(other);
    if (std::find(other->freeNotifies_.begin(), other->freeNotifies_.end(), this) ==
        other->freeNotifies_.end())
        other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (!other)
        return;
    std::erase(freeNotifies_, other);
    std::erase(other->freeNotifies_, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == TOperation::opRemove && component)
        RemoveFreeNotification(component);
    // A handler may free components of ours: walk down and re-check the bound.
    for (std::size_t i = components_.size(); i-- > 0;) {
        if (i < components_.size())
            components_[i]->Notification(component, operation);
    }
}

void TComponent::NotifyRemoval() {
    if (removalSent_)
        return;
    removalSent_ = true;
    state_ |= csDestroying;
    while (!freeNotifies_.empty()) {
        TComponent* partner = freeNotifies_.back();
        freeNotifies_.pop_back();
        std::erase(partner->freeNotifies_, this);
        partner->Notification(this, TOperation::opRemove);
    }
    if (owner_)
        owner_->Notification(this, TOperation::opRemove);
}

void TComponent::InsertComponent(TComponent* component) {
    component->owner_ = this;
    components_.push_back(component);
}

void TComponent::RemoveComponent(TComponent* component) {
    std::erase(components_, component);
    component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    // The last created goes first, as its creators may refer to the earlier ones.
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        // Its owner and siblings still hear of it, as they would while it was owned.
        last->NotifyRemoval();
        Notification(last, TOperation::opRemove);
        delete last;
    }
}

} // namespace celdara
