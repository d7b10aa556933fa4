// The controls library: start-up, stock icons, logo, please-wait window and the common controls.
