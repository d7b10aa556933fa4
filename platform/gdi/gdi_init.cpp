// Keeps the library non-empty until the drawing layer lands.
