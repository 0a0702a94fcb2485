Q: "never closed
