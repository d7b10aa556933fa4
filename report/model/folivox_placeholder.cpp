// The report model.
