#include "cli/cli.h"

int main(int argc, char** argv) {
  return yuzulog::cli::Main(argc, argv);
}
