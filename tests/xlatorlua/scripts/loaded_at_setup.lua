-- Counts how often it is run: preloaded modules run once, on first require.
loaded_at_setup_runs = (loaded_at_setup_runs or 0) + 1
return { runs = loaded_at_setup_runs }
