#pragma once

class QWidget;

namespace miran::app {

// SIGINT and SIGTERM close the window as its close box does, so that what it saves on closing is saved.
void CloseOnTerminationSignals(QWidget& window);

} // namespace miran::app
