// The program's entry: everything else happens in the run-time and the run.
#include "io.h"
#include "process.h"

int main(int argc, char** argv) { kvb::run_program(argc, argv, MAIN__); }
