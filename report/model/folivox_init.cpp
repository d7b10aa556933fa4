// Report model: see the other files of this folder.
