#include "helm/test/support.h"

int main(int argc, char** argv) { return helm::test::run_test_program(argc, argv); }
