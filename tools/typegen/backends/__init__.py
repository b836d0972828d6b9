"""Back-ends of the type generator: one module per back-end, each with a class Backend."""
