#include "app/startup.h"

int main(int argc, char** argv) { return kavro::app::runProgram(argc, argv); }
