// The networked store client.
