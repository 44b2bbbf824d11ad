int NimboPlaceholderDialogs() { return 1; }
