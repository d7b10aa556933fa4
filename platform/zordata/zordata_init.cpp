// Keeps the library non-empty until the store lands.
