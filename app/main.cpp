#include "app/shell.h"

int main() { return WinMain(1, 0, "", 0); }
