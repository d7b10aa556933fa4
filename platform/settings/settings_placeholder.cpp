// Profile settings and the drawing layer live here.
