#include "core/Application.h"

namespace celdara {

TApplication::TApplication() : TComponent(nullptr), clock_(&SystemTickClock()) {
    SetName("Application");
}

TApplication::~TApplication() = default;

void TApplication::SetClock(TTickClock* clock) {
    clock_ = clock ? clock : &SystemTickClock();
}

void TApplication::ProcessMessages() {
    if (platformEvents_)
        platformEvents_();
    queue_.ProcessMessages();
}

void TApplication::RegisterClass(const std::string& className, Factory factory) {
    if (factory)
        classes_[className] = std::move(factory);
    else
        classes_.erase(className);
}

bool TApplication::IsClassRegistered(std::string_view className) const {
    return classes_.find(className) != classes_.end();
}

TComponent* TApplication::CreateComponent(std::string_view className, TComponent* owner) const {
    auto it = classes_.find(className);
    return it == classes_.end() ? nullptr : it->second(owner);
}

TApplication& Application() {
    static TApplication application;
    return application;
}

} // namespace celdara
