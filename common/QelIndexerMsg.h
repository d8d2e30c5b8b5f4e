// Numbers of the indexer's messages in the catalog "qelinmsg".
#pragma once

enum QelIndexerMsg : unsigned long {
  msgUsage = 1,              // no arguments
  msgLibServName = 2,        // index name, service found, service expected
  msgStopRequested = 3,      // no arguments
  msgMalformedRecord = 4,    // collector address, the record shown safely, count so far
  msgIdsNotIndexed = 5,      // number of ids never handed to the index
  msgWorkersStillRunning = 6 // number of worker threads still running
};
