// vorq: the headless tool over the same core as vorqview, for scripts and cron.
#include "cli/run.h"

int main(int argc, char **argv) { return vorq::cli::run(argc, argv); }
