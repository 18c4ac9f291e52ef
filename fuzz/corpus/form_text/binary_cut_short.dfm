object Form1: TPoolTemplate
  Data = {
    0A1B
