#pragma once

#include <QApplication>

namespace kq::shell {

// The application object: a failure that reaches the event loop is reported
// with the error report and the program goes on.
class KqApplication : public QApplication
{
public:
    KqApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// When the server that holds the business database asks for a password that
// ~/.pgpass does not give, it is asked through the dialog layer (once per
// session; kept in memory only). Main() installs it.
void installServerPasswordPrompt();

// For each file whose check found damage only in its indexes (the rows are
// sound), asks whether to rebuild them after a backup copy of the file, and
// does it; true when one was rebuilt. Called when a check finds such a file,
// and by a start it stopped.
bool offerIndexRebuild();

// The start-up sequence. Returns true when the main window was shown and the
// event loop should run; false when the program ends here.
bool Main();

} // namespace kq::shell
