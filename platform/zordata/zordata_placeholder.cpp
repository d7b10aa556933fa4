// The object store lives here.
