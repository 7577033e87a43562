#pragma once

class QWidget;

namespace miran::app {

// SIGINT and SIGTERM close the window as its close box does, so that what it saves on closing is saved;
// modal boxes open at that moment are closed first.
void CloseOnTerminationSignals(QWidget& window);

} // namespace miran::app
