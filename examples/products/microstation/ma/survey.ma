Sample MDL application of Nimbo Survey (a placeholder for the real module).
