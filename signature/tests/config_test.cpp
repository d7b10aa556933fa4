// Hostile and well-formed configuration files.
