// The signature-system registry.
