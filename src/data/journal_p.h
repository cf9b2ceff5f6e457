#pragma once

// Internal to kq_data: how connections share a file with other programs.

#include <QByteArray>
#include <QString>

namespace kq::data::internal {

// How long a connection waits for a file another program is writing before
// it reports the file as in use (milliseconds): longer than the longest write
// of the program (the monetary update of a large portfolio).
int busyTimeout();
void setBusyTimeout(int milliseconds);

// Gives a sound file its journal mode, on a connection of its own: WAL in a
// local folder, so that readers never hold up a writer; the rollback journal
// in a network folder, or where WAL is refused, with a note for the error
// log. False when the file was in use (by another program, or by a read
// still open on this one) and was left as it is, to be tried again.
bool setJournalMode(const QString &path);

// True for the file-system types of network shares (as QStorageInfo names
// them: "nfs4", "cifs", "fuse.sshfs"...), where WAL cannot work.
bool isNetworkFileSystem(const QByteArray &type);

// Hands a note to the receiver set by setNoteReceiver, on the thread of the
// application object (at once when called there; otherwise when its event
// loop runs or deliverNotes is called there).
void postNote(const QString &text);
void deliverNotes();

} // namespace kq::data::internal
