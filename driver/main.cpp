// qelindexer: the indexer's entry point.
#include "driver/QelDriver.h"

int main(int argc, char** argv) { return qelIndexerMain(argc, argv); }
