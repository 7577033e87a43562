#pragma once

namespace miran::window {

// The debug window as a front end shows it.
class DebugView {
public:
    virtual ~DebugView() = default;
    virtual void ClearLines() = 0;
};

// The debug window: a read-only log that nothing writes to; a double click on it clears it all the same.
class DebugWindow {
public:
    explicit DebugWindow(DebugView& view) : view_(view) {}

    void MemoDblClick() { view_.ClearLines(); }

private:
    DebugView& view_;
};

} // namespace miran::window
