// The GUI tests' precompiled headers are built with this empty unit.
