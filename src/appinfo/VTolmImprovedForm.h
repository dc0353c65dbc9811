// A form that lets the session end only when it agrees to close, and whose anchored controls
// keep their distances when the window system gives it another size than it asked for.
#pragma once

#include "appinfo/TForm.h"

#include <functional>

namespace celdara {

class VTolmImprovedForm : public TForm {
public:
    explicit VTolmImprovedForm(TComponent* owner);

    // The session is about to end: asks the form whether it may close, handling one pending
    // message between the questions until it agrees, and then lets the session go on.
    void QueryEndSession();

    // How one pending message is handled while waiting (tests replace it).
    void SetProcessOneMessage(std::function<void()> process) {
        processOneMessage_ = std::move(process);
    }

private:
    std::function<void()> processOneMessage_;
};

} // namespace celdara
