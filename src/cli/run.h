#pragma once
// The whole of the vorq program behind its main: the application object,
// the command lookup, help and version, and the exit status of errors.

namespace vorq::cli {

int run(int argc, char **argv);

}  // namespace vorq::cli
