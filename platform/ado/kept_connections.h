// Closing the catalogue connections that the data layer keeps for the next open (session.h).
#pragma once

namespace adoimpl {

// Closes every connection kept after its _Connection was closed, so that nothing
// of any catalogue stays open: SQLite then writes a WAL catalogue's log (-wal)
// back into the file and removes it, and a copy of the file alone holds every
// change. A module that opened catalogues calls it when it is unloaded; the data
// layer calls it itself when the process exits. Connections closed later are
// kept again.
void closeKeptConnections();

}  // namespace adoimpl
