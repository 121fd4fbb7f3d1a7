// Placeholder until the fixture writer lands.
int wmain() { return 0; }
