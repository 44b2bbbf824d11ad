int NimboPlaceholderRuntime() { return 1; }
