// The administration dialogs logic.
