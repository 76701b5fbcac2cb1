// Filled in by its implementation.
