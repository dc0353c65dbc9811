// The component model: an owner frees what it owns, components have names and the
// loading / designing / destroying states, a final Loaded step after their stored
// properties are set, and removal notifications to whoever asked for them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

// The root of everything that can be named as a Sender or a channel object.
class TObject {
public:
    virtual ~TObject() = default;
};

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    // Virtual so that a component whose windows carry its name can rename them too.
    virtual void SetName(std::string name) { name_ = std::move(name); }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(index); }
    // The first owned component with this name (not searched recursively), or nullptr.
    TComponent* FindComponent(std::string_view name) const;

    bool IsLoading() const { return (state_ & csLoading) != 0; }
    bool IsDesigning() const { return (state_ & csDesigning) != 0; }
    bool IsDestroying() const { return (state_ & csDestroying) != 0; }
    void SetDesigning(bool designing);

    // Marks this component and everything it owns as being loaded.
    void BeginLoading();
    // Runs Loaded on this component, then on every owned one, depth first, as a stored
    // description does once all properties have been read.
    void EndLoading();
    // The final step after loading; overrides apply what the setters deferred. The base
    // clears the loading state.
    virtual void Loaded();

    // Asks for a removal notice when `other` goes away; `other` gets one about this
    // component as well. Each pair is recorded once.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // Told about components going away: the removed component itself, every component it
    // owned on the way (owner and siblings hear of them too) and free-notification partners.
    // The base forgets the partner and passes the notice on to every owned component.
    virtual void Notification(TComponent* component, TOperation operation);

protected:
    // Sends this component's removal notices. Called by the base destructor; a class whose
    // listeners need to see it as what it is (not as a bare TComponent) calls it at the
    // start of its own destructor. Only the first call does anything.
    void NotifyRemoval();

private:
    enum : std::uint8_t { csLoading = 1, csDesigning = 2, csDestroying = 4 };

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();

    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    std::uint8_t state_ = 0;
    bool removalSent_ = false;
};

} // namespace celdara
