// The results window is built here.
