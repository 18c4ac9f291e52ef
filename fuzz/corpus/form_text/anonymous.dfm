object TPoolTemplate
  Tag = 100
end
