# The windowed run benchmark.
